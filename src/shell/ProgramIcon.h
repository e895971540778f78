#pragma once

class QIcon;

// The program's own icon: an envelope with rows of text (icons/tessaline.png, a resource).
QIcon ProgramIcon();
