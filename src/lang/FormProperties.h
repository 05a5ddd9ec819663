#pragma once
// The properties a language file may name on a window's components, mapped
// onto Qt widgets. Language files were made for a component model with named
// published properties ("Caption", "Hint", "Items", ...); here each name is
// found (without regard to case) through one table, FormProperties.cpp, which
// says for every property name which widget kinds have it and what it means.
//
// A property is either a text (read and, where writable, set) or an object:
// a string list (lines of a combo box, a memo, a radio group), a collection
// (pages of a tab widget, panels of a status bar) or a sub-object.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

namespace lang {

// Something a property path can reach.
struct Node {
    enum class Kind { Object, StringList, Collection, CollectionItem };
    Kind kind = Kind::Object;
    QPointer<QObject> object; // the component (or page) that holds it
    QString member;           // StringList/Collection/CollectionItem: the property it came from
    int index = -1;           // CollectionItem: its position
};

struct Property {
    // Text properties: get, and set where writable.
    std::function<QString()> get;
    std::function<void(const QString &)> set;
    // Object properties: what they hold; nullopt for an empty object.
    bool isObject = false;
    std::optional<Node> held;
};

// The property `name` of what `at` is; nullopt when it has none by that name.
std::optional<Property> findProperty(const Node &at, const QString &name);

// String lists.
int lineCount(const Node &list);
QString line(const Node &list, int k);
void setLine(const Node &list, int k, const QString &text);

// Collections.
int itemCount(const Node &collection);
Node item(const Node &collection, int k);

} // namespace lang
