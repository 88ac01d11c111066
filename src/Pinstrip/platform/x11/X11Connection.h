#pragma once

#include <QByteArray>
#include <QHash>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>

struct xcb_connection_t;

// Qt's own X connection, shared by every X11 backend: the root window of the screen Qt opened,
// atoms interned once, and the keyboard mapping.
class X11Connection {
public:
    // Owns what xcb hands over to be freed: replies, errors, lists.
    struct Free {
        void operator()(void* reply) const { std::free(reply); }
    };
    template <typename T> using Reply = std::unique_ptr<T, Free>;

    // The keysyms of one key in its first four columns (plain and shifted, in the first two
    // groups); 0 where a column has none.
    using KeyColumns = std::array<std::uint32_t, 4>;
    using KeyboardMapping = std::array<KeyColumns, 256>; // by keycode

    // Qt's connection, or none when Qt does not run on X11.
    [[nodiscard]] static std::shared_ptr<X11Connection> ofQt();

    [[nodiscard]] xcb_connection_t* get() const { return m_connection; }
    [[nodiscard]] std::uint32_t root() const { return m_root; }
    [[nodiscard]] int screen() const { return m_screen; }
    // Asks the server the first time a name is used, and remembers the answer.
    [[nodiscard]] std::uint32_t atom(const QByteArray& name) const;
    // A fresh copy of the server's mapping, read again after every MappingNotify.
    [[nodiscard]] KeyboardMapping keyboardMapping() const;

private:
    X11Connection(xcb_connection_t* connection, std::uint32_t root, int screen);

    xcb_connection_t* m_connection;
    std::uint32_t m_root;
    int m_screen;
    mutable QHash<QByteArray, std::uint32_t> m_atoms;
};
