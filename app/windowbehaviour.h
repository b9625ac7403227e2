#pragma once

class QComboBox;
class QWidget;

// What every window of the program does alike and no window sets up for
// itself: where a window appears and that it stays on the screen, and how
// buttons take the Enter key.
namespace WindowBehaviour {

// Enter (also the keypad's) on a focused push button presses it, as Space
// does. Set up once for the whole application; further calls do nothing.
void install();

// Places window before it is first shown: a modal one centred over its
// owner, as a dialog window transient for it (the window manager keeps it
// above the owner), any other one centred on the screen. A window that has already
// taken a place of its own (it moved itself while it loaded) keeps it.
void placeForShowing(QWidget *window, QWidget *owner, bool modal);

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
