#pragma once
// Small controls of the main window that Qt does not have as such.

#include <QFrame>
#include <QImage>
#include <QWidget>
#include <functional>

// An indicator lamp with its caption; the hint is the tool tip.
class TLed : public QWidget {
    Q_OBJECT
    // Language files set it by name.
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
public:
    TLed(const QString &caption, const QColor &litColor, QWidget *parent = nullptr);
    void setLit(bool lit);
    bool isLit() const { return m_lit; }
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    QString m_caption;
    QColor m_litColor;
    bool m_lit = false;
};

// A surface that shows an off-screen image with one copy. Whoever owns the
// drawing sets the image; the widget never draws on its own.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget *parent = nullptr);
    void showImage(const QImage &image);
    const QImage &image() const { return m_image; }
    // Called by the windowing system's repaint before the copy, so the owner
    // may redraw (the waterfall advances one column on every repaint).
    std::function<void()> onRepaint;
    std::function<void(QMouseEvent *)> onMouseMove;
    std::function<void(QMouseEvent *)> onMousePress;

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mousePressEvent(QMouseEvent *) override;

private:
    QImage m_image;
    bool m_inRepaint = false;
};

// The level bar: one-pixel segments, green / yellow / red bands.
class TLevelBar : public QWidget {
    Q_OBJECT
public:
    explicit TLevelBar(QWidget *parent = nullptr);
    void setPosition(int position);
    int position() const { return m_position; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    int m_position = 0;
};

// A panel whose caption is right-aligned and which reports mouse moves.
class TInfoPanel : public QFrame {
    Q_OBJECT
public:
    explicit TInfoPanel(QWidget *parent = nullptr);
    void setCaption(const QString &caption);
    QString caption() const { return m_caption; }
    std::function<void(int x)> onMouseMove;

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;

private:
    QString m_caption;
};
