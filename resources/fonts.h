#pragma once

namespace resources {

// Makes the fonts the windows are drawn in known to the program where the
// system's font configuration does not list them (Debian's fonts-wine puts
// Tahoma in a folder fontconfig does not search).
void RegisterFonts();

} // namespace resources
