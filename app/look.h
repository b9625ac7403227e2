#pragma once

class QAbstractButton;

// The program's common look: graphical buttons with a light-blue gradient face.
void applyButtonFace(QAbstractButton *button);
