// The program's own button images (20 × 20 design units), drawn as vectors at whatever size and
// pixel ratio the screen asks for, so they stay crisp on high-density screens.
#pragma once

#include <QIcon>

// Image `index` of the command table (0 … 27); an empty icon for any other index.
QIcon CommandIcon(int index);
inline constexpr int kCommandImageCount = 28;
