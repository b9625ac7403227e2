#pragma once

#include "app/windownames.h"

#include <QString>

#include <functional>

class Form;

// The program's windows, by name (WindowName). Each window has one instance at
// a time: it is created and loaded on first use, and loaded afresh when used
// again after it was closed. A name that no window was registered under is a
// fault of the program: it is reported in the log and nothing happens.
class Windows
{
public:
    enum class Mode { Modal, Modeless };
    using Factory = std::function<Form *()>;

    static void add(const QString &name, Mode mode, Factory factory);
    static bool has(const QString &name);

    // The loaded window, loading it (without showing it) if needed; nullptr
    // for a window that the program does not have. A window loaded here for
    // an owner knows it while it loads: its boxes stand over it.
    static Form *get(const QString &name, Form *owner = nullptr);
    template <class T>
    static T *get(const QString &name)
    {
        return qobject_cast<T *>(get(name));
    }

    // The window if it is loaded and not closed, without loading it.
    static Form *loaded(const QString &name);
    template <class T>
    static T *loaded(const QString &name)
    {
        return qobject_cast<T *>(loaded(name));
    }

    // Shows the window, loading it first if needed. A modal window blocks the
    // others and the call returns when it has closed; a modeless one is shown
    // or brought to the front and the call returns at once. Does nothing for
    // a window the program does not have.
    static void show(const QString &name);
    // show() with the window's owner set: the window that shows it. A modal
    // window gives the activation back to its owner when it closes.
    static void showModalOver(const QString &name, Form *owner);
    // Shows a modeless window that belongs to owner: transient for it (the
    // window manager keeps it in front of its owner) and centred over it. While
    // owner still loads, the window appears once owner has been shown.
    static void showOwned(const QString &name, Form *owner);

    // Closes the window if it is loaded.
    static void unload(const QString &name);

    // Ends the program at once: every running wait returns, every window goes
    // without its own closing handling.
    static void endProgram();
    static bool isEnding();

    // Destroys every window and forgets every registration: the end of the
    // program, or of a test.
    static void clear();
};
