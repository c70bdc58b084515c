#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: the brand mark in white on a rounded tile of the brand colour. The window
// shows it, and the build renders it to the files the desktop's launcher shows.
namespace AppIcon {
// One square picture `side` pixels wide.
QImage render(int side);
// The sizes a desktop expects, in one icon.
QIcon icon();
} // namespace AppIcon
