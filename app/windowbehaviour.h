#pragma once

class QComboBox;
class QWidget;

// What every window of the program does alike and no window sets up for
// itself: where a window appears and that it stays on the screen, how
// buttons take the Enter key, and that controls out of sight take no keys.
namespace WindowBehaviour {

// Enter (also the keypad's) on a focused push button presses it, as Space
// does; a control that lies wholly outside its window's client area takes
// no focus, key or shortcut (the program keeps state in such controls). Set
// up once for the whole application; further calls do nothing.
void install();

// Whether w lies wholly outside the client area of its window, its
// ancestors' edges included: nothing of it can be seen.
bool liesOutsideWindow(const QWidget *w);

// The shown window that stands for w's window while that one is not shown
// (it is still loading): the nearest shown owner, else the active window,
// else any shown window of the program. nullptr when none is shown.
QWidget *shownWindowFor(QWidget *w);

// Places window before it is first shown. One that belongs to an owner is a
// dialog window transient for it (the window manager keeps it above the
// owner) without minimise and maximise buttons, centred over it; when owner
// is not shown yet, its shown stand-in takes its part. Any other window is
// centred on the screen. A window that has already taken a place of its own
// (it moved itself while it loaded) keeps it.
void placeForShowing(QWidget *window, QWidget *owner, bool belongsToOwner);

// From now on window keeps its frame inside its screen's available area
// whenever it is shown or changes size.
void keepOnScreen(QWidget *window);

// Moves a shown window so that its frame lies inside its screen's available
// area, as far as the frame fits.
void moveOntoScreen(QWidget *window);

} // namespace WindowBehaviour

// Makes combo an editable list whose value is the text as typed: typing
// completes to no item, Enter keeps the case of what was typed (an item is
// chosen only when the text equals it exactly), and nothing typed is added
// to the list.
void makeEditableAsTyped(QComboBox *combo);
