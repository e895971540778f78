#pragma once

class QWidget;

// Gives `window` and its option buttons, check boxes, frames and labels the palette's button-face
// colour, the background every dialog of the program shares. Other controls keep their colours.
void ApplyDialogColours(QWidget *window);

// When the program folder holds the style file x/o.cjs, applies it as a style sheet to the main
// window and gives the window the dialog colours; otherwise leaves the window as it is.
void ApplyVisualSkin(QWidget *mainWindow);
