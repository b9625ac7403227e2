#pragma once

#include <QPixmap>
#include <QWidget>

#include <array>

// Base of every window of the program: a top-level widget that is destroyed
// when it closes (the next use loads a fresh one) and runs formLoad() once per
// load, before it is first shown.
class Form : public QWidget
{
    Q_OBJECT

public:
    explicit Form(QWidget *parent = nullptr);

    // The window's loading step; runs once, right after construction.
    virtual void formLoad() {}

    // True once the window has been closed; it is destroyed soon after.
    bool isUnloaded() const { return m_unloaded; }

    // Client area size in twips.
    void setClientSizeTwips(int width, int height);

    // Picture drawn behind the controls; without one a light gradient is drawn.
    void setBackgroundPicture(const QPixmap &picture) { m_background = picture; update(); }

    // Creates a control of kind T named name (also its objectName), a child of
    // parent or, without one, of the window.
    template <class T>
    T *control(const QString &name, QWidget *parent = nullptr)
    {
        auto *w = new T(parent ? parent : this);
        w->setObjectName(name);
        return w;
    }

    // Creates a control array: element i is named "name(i)".
    template <class T, std::size_t N>
    void controlArray(std::array<T *, N> &elements, const QString &name,
                      QWidget *parent = nullptr)
    {
        for (std::size_t i = 0; i < N; ++i)
            elements[i] = control<T>(QStringLiteral("%1(%2)").arg(name).arg(i), parent);
    }

signals:
    // Emitted when the window closes, before it is destroyed.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_background;
    bool m_unloaded = false;
};
