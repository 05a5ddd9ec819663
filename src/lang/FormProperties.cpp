#include "FormProperties.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

namespace lang {

namespace {

template <typename T> T *as(QObject *o) {
    return qobject_cast<T *>(o);
}

// A page of a tab widget: its tab text is the page's caption.
QTabWidget *tabOwner(QObject *o) {
    auto *w = as<QWidget>(o);
    if (!w || !as<QStackedWidget>(w->parent()))
        return nullptr;
    auto *tabs = as<QTabWidget>(w->parent()->parent());
    return tabs && tabs->indexOf(w) >= 0 ? tabs : nullptr;
}

bool isWindow(QObject *o) {
    auto *w = as<QWidget>(o);
    return w && w->isWindow();
}

// A widget with numbered text panels offers them as invokable methods
// panelCount(), panelText(int) and setPanelText(int, QString).
bool hasPanels(QObject *o) {
    const QMetaObject *m = o->metaObject();
    return m->indexOfMethod("panelCount()") >= 0 && m->indexOfMethod("panelText(int)") >= 0 &&
           m->indexOfMethod("setPanelText(int,QString)") >= 0;
}

// Widgets of the program's own that draw a caption declare it as a
// writable "caption" property.
bool hasCaptionProperty(QObject *o) {
    const int i = o->metaObject()->indexOfProperty("caption");
    return i >= 0 && o->metaObject()->property(i).isWritable();
}

QList<QRadioButton *> radioButtons(QObject *o) {
    return o->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
}

bool isRadioGroup(QObject *o) {
    return as<QGroupBox>(o) && !radioButtons(o).isEmpty();
}

QStringList memoLines(QObject *o) {
    if (auto *e = as<QPlainTextEdit>(o))
        return e->toPlainText().split(QLatin1Char('\n'));
    if (auto *e = as<QTextEdit>(o))
        return e->toPlainText().split(QLatin1Char('\n'));
    return {};
}

void setMemoText(QObject *o, const QString &text) {
    if (auto *e = as<QPlainTextEdit>(o))
        e->setPlainText(text);
    else if (auto *e = as<QTextEdit>(o))
        e->setPlainText(text);
}

// Labels placed by hand were sized to their English text; a longer
// translation widens them rather than being cut off. They never shrink, so
// labels sized for alignment (right-aligned across a window) keep their width.
void setLabelText(QObject *o, const QString &text) {
    auto *l = as<QLabel>(o);
    l->setText(text);
    const QWidget *parent = l->parentWidget();
    const bool laidOut = parent && parent->layout() && parent->layout()->indexOf(l) >= 0;
    if (!laidOut && l->sizeHint().width() > l->width())
        l->resize(l->sizeHint().width(), l->height());
}

using Get = QString (*)(QObject *);
using Set = void (*)(QObject *, const QString &);
using Match = bool (*)(QObject *);

// ---------------------------------------------------------------------------
// The property names of language files and what they are on Qt widgets. The
// first row whose name and widget kind match is used.
//
//  Property | Widget kind                        | Kind        | Qt
//  ---------+------------------------------------+-------------+----------------------------
//  Caption  | a window                           | text        | windowTitle
//  Caption  | a page of a QTabWidget             | text        | the page's tab text
//  Caption  | QAbstractButton, QLabel            | text        | text
//  Caption  | QGroupBox                          | text        | title
//  Caption  | QAction (tool bar, menu item)      | text        | text
//  Caption  | QMenu                              | text        | title
//  Caption  | widget with a "caption" property   | text        | that property (TLed)
//  Hint     | QAction, any QWidget               | text        | toolTip
//  Text     | QLineEdit, QLabel, QAbstractButton | text        | text
//  Text     | QPlainTextEdit, QTextEdit          | text        | plainText
//  Text     | QComboBox                          | text        | current text (writable when editable)
//  Text     | item k of Panels                   | text        | panelText(k) / setPanelText(k)
//  Items    | QComboBox, QListWidget             | string list | item texts
//  Items    | QGroupBox holding QRadioButtons    | string list | the radio buttons' texts
//  Lines    | QPlainTextEdit, QTextEdit          | string list | lines of the plain text
//  Tabs     | QTabWidget                         | string list | tab texts
//  Pages    | QTabWidget                         | collection  | item k: page widget k
//  Panels   | widget with panelText(int) etc.    | collection  | item k: panel k
//
// So line k of a list is "Items.Strings(k)" or "Lines(k).Text" (a list-line
// step followed by a step the list does not have), a tab's text is
// "Pages<k>.Caption" or "<page name>-Caption", and a status-bar panel's text
// is "Panels<k>.Text".
// ---------------------------------------------------------------------------

struct TextRow {
    const char *name;
    Match matches;
    Get get;
    Set set; // nullptr: read-only
};

const TextRow TextRows[] = {
    {"Caption", isWindow, [](QObject *o) { return as<QWidget>(o)->windowTitle(); },
     [](QObject *o, const QString &t) { as<QWidget>(o)->setWindowTitle(t); }},
    {"Caption", [](QObject *o) { return tabOwner(o) != nullptr; },
     [](QObject *o) {
         auto *tabs = tabOwner(o);
         return tabs->tabText(tabs->indexOf(as<QWidget>(o)));
     },
     [](QObject *o, const QString &t) {
         auto *tabs = tabOwner(o);
         tabs->setTabText(tabs->indexOf(as<QWidget>(o)), t);
     }},
    {"Caption", [](QObject *o) { return as<QAbstractButton>(o) != nullptr; },
     [](QObject *o) { return as<QAbstractButton>(o)->text(); },
     [](QObject *o, const QString &t) { as<QAbstractButton>(o)->setText(t); }},
    {"Caption", [](QObject *o) { return as<QLabel>(o) != nullptr; },
     [](QObject *o) { return as<QLabel>(o)->text(); }, setLabelText},
    {"Caption", [](QObject *o) { return as<QGroupBox>(o) != nullptr; },
     [](QObject *o) { return as<QGroupBox>(o)->title(); },
     [](QObject *o, const QString &t) { as<QGroupBox>(o)->setTitle(t); }},
    {"Caption", [](QObject *o) { return as<QAction>(o) != nullptr; },
     [](QObject *o) { return as<QAction>(o)->text(); },
     [](QObject *o, const QString &t) { as<QAction>(o)->setText(t); }},
    {"Caption", hasCaptionProperty, [](QObject *o) { return o->property("caption").toString(); },
     [](QObject *o, const QString &t) { o->setProperty("caption", t); }},
    {"Caption", [](QObject *o) { return as<QMenu>(o) != nullptr; },
     [](QObject *o) { return as<QMenu>(o)->title(); },
     [](QObject *o, const QString &t) { as<QMenu>(o)->setTitle(t); }},
    {"Hint", [](QObject *o) { return as<QAction>(o) != nullptr; },
     [](QObject *o) { return as<QAction>(o)->toolTip(); },
     [](QObject *o, const QString &t) { as<QAction>(o)->setToolTip(t); }},
    {"Hint", [](QObject *o) { return as<QWidget>(o) != nullptr; },
     [](QObject *o) { return as<QWidget>(o)->toolTip(); },
     [](QObject *o, const QString &t) { as<QWidget>(o)->setToolTip(t); }},
    {"Text", [](QObject *o) { return as<QLineEdit>(o) != nullptr; },
     [](QObject *o) { return as<QLineEdit>(o)->text(); },
     [](QObject *o, const QString &t) { as<QLineEdit>(o)->setText(t); }},
    {"Text", [](QObject *o) { return as<QLabel>(o) != nullptr; },
     [](QObject *o) { return as<QLabel>(o)->text(); }, setLabelText},
    {"Text", [](QObject *o) { return as<QAbstractButton>(o) != nullptr; },
     [](QObject *o) { return as<QAbstractButton>(o)->text(); },
     [](QObject *o, const QString &t) { as<QAbstractButton>(o)->setText(t); }},
    {"Text", [](QObject *o) { return as<QPlainTextEdit>(o) != nullptr || as<QTextEdit>(o) != nullptr; },
     [](QObject *o) { return memoLines(o).join(QLatin1Char('\n')); }, setMemoText},
    {"Text", [](QObject *o) { return as<QComboBox>(o) != nullptr && as<QComboBox>(o)->isEditable(); },
     [](QObject *o) { return as<QComboBox>(o)->currentText(); },
     [](QObject *o, const QString &t) { as<QComboBox>(o)->setEditText(t); }},
    {"Text", [](QObject *o) { return as<QComboBox>(o) != nullptr; },
     [](QObject *o) { return as<QComboBox>(o)->currentText(); }, nullptr},
};

struct ObjectRow {
    const char *name;
    Match matches;
    Node::Kind kind;
};

const ObjectRow ObjectRows[] = {
    {"Items", [](QObject *o) { return as<QComboBox>(o) != nullptr || as<QListWidget>(o) != nullptr; },
     Node::Kind::StringList},
    {"Items", isRadioGroup, Node::Kind::StringList},
    {"Lines", [](QObject *o) { return as<QPlainTextEdit>(o) != nullptr || as<QTextEdit>(o) != nullptr; },
     Node::Kind::StringList},
    {"Tabs", [](QObject *o) { return as<QTabWidget>(o) != nullptr; }, Node::Kind::StringList},
    {"Pages", [](QObject *o) { return as<QTabWidget>(o) != nullptr; }, Node::Kind::Collection},
    {"Panels", hasPanels, Node::Kind::Collection},
};

bool same(const char *a, const QString &b) {
    return b.compare(QLatin1String(a), Qt::CaseInsensitive) == 0;
}

int panelCount(QObject *o) {
    int n = 0;
    QMetaObject::invokeMethod(o, "panelCount", Qt::DirectConnection, Q_RETURN_ARG(int, n));
    return n;
}

QString panelText(QObject *o, int k) {
    QString t;
    QMetaObject::invokeMethod(o, "panelText", Qt::DirectConnection, Q_RETURN_ARG(QString, t), Q_ARG(int, k));
    return t;
}

} // namespace

std::optional<Property> findProperty(const Node &at, const QString &name) {
    QObject *o = at.object.data();
    if (!o)
        return std::nullopt;
    switch (at.kind) {
    case Node::Kind::Object:
        for (const TextRow &r : TextRows) {
            if (same(r.name, name) && r.matches(o)) {
                Property p;
                p.get = [o, g = r.get] { return g(o); };
                if (r.set)
                    p.set = [o, s = r.set](const QString &t) { s(o, t); };
                return p;
            }
        }
        for (const ObjectRow &r : ObjectRows) {
            if (same(r.name, name) && r.matches(o)) {
                Property p;
                p.isObject = true;
                p.held = Node{r.kind, o, QLatin1String(r.name), -1};
                return p;
            }
        }
        return std::nullopt;
    case Node::Kind::CollectionItem:
        if (same("Panels", at.member) && same("Text", name)) {
            Property p;
            const int k = at.index;
            p.get = [o, k] { return panelText(o, k); };
            p.set = [o, k](const QString &t) {
                QMetaObject::invokeMethod(o, "setPanelText", Qt::DirectConnection, Q_ARG(int, k),
                                          Q_ARG(QString, t));
            };
            return p;
        }
        return std::nullopt;
    case Node::Kind::StringList:
    case Node::Kind::Collection:
        // Lists and collections have no named properties of their own.
        return std::nullopt;
    }
    return std::nullopt;
}

int lineCount(const Node &list) {
    QObject *o = list.object.data();
    if (!o || list.kind != Node::Kind::StringList)
        return 0;
    if (list.member == QLatin1String("Lines"))
        return static_cast<int>(memoLines(o).size());
    if (list.member == QLatin1String("Tabs"))
        return as<QTabWidget>(o)->count();
    if (auto *c = as<QComboBox>(o))
        return c->count();
    if (auto *l = as<QListWidget>(o))
        return l->count();
    return static_cast<int>(radioButtons(o).size());
}

QString line(const Node &list, int k) {
    QObject *o = list.object.data();
    if (k < 0 || k >= lineCount(list))
        return {};
    if (list.member == QLatin1String("Lines"))
        return memoLines(o).at(k);
    if (list.member == QLatin1String("Tabs"))
        return as<QTabWidget>(o)->tabText(k);
    if (auto *c = as<QComboBox>(o))
        return c->itemText(k);
    if (auto *l = as<QListWidget>(o))
        return l->item(k)->text();
    return radioButtons(o).at(k)->text();
}

void setLine(const Node &list, int k, const QString &text) {
    QObject *o = list.object.data();
    if (k < 0 || k >= lineCount(list))
        return;
    if (list.member == QLatin1String("Lines")) {
        QStringList lines = memoLines(o);
        lines[k] = text;
        setMemoText(o, lines.join(QLatin1Char('\n')));
    } else if (list.member == QLatin1String("Tabs")) {
        as<QTabWidget>(o)->setTabText(k, text);
    } else if (auto *c = as<QComboBox>(o)) {
        c->setItemText(k, text);
    } else if (auto *l = as<QListWidget>(o)) {
        l->item(k)->setText(text);
    } else {
        radioButtons(o).at(k)->setText(text);
    }
}

int itemCount(const Node &collection) {
    QObject *o = collection.object.data();
    if (!o || collection.kind != Node::Kind::Collection)
        return 0;
    if (auto *tabs = as<QTabWidget>(o); tabs && collection.member == QLatin1String("Pages"))
        return tabs->count();
    return hasPanels(o) ? panelCount(o) : 0;
}

Node item(const Node &collection, int k) {
    QObject *o = collection.object.data();
    if (auto *tabs = as<QTabWidget>(o); tabs && collection.member == QLatin1String("Pages"))
        return Node{Node::Kind::Object, tabs->widget(k), {}, -1};
    return Node{Node::Kind::CollectionItem, o, collection.member, k};
}

} // namespace lang
