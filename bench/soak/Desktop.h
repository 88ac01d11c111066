#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

struct _XDisplay;

// The X side of the soak: exact input through XTEST and what the screen shows. Window ids are
// X window ids; every call flushes, so an input has reached the server when it returns.
class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    [[nodiscard]] bool open() const { return m_display != nullptr; }
    // Presses (or releases) the key of a keysym name such as "Control_L" or "a".
    void key(const char* keysym, bool press);
    void tap(const char* keysym) {
        key(keysym, true);
        key(keysym, false);
    }
    // Types letters, digits and spaces.
    void type(const QString& text);
    void moveTo(QPoint at);
    void click(QPoint at, unsigned button = 1);

    [[nodiscard]] bool viewable(unsigned long window) const;
    [[nodiscard]] unsigned long focus() const;
    void setFocus(unsigned long window);
    // The window's rectangle on the screen.
    [[nodiscard]] QRect frame(unsigned long window) const;
    // A viewable window whose title is `title`, or 0.
    [[nodiscard]] unsigned long findTitled(const QString& title) const;

private:
    [[nodiscard]] unsigned long findTitled(unsigned long under, const QString& title) const;

    _XDisplay* m_display = nullptr;
};
