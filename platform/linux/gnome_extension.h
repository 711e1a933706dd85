#pragma once
// lookout's GNOME Shell extension, in the two formats GNOME loads: modules for 45 and later,
// the older imports for 42 to 44. Each is an extension of its own, with its own UUID, which
// the build names (LOOKOUT_GNOME_EXTENSION, LOOKOUT_GNOME_EXTENSION_LEGACY).

constexpr const char* gnomeExtensionHint =
    "lookout: the eyes follow the pointer over X11 windows only. To have them follow it everywhere, "
    "turn on lookout's GNOME Shell extension:\n"
    "    gnome-extensions enable " LOOKOUT_GNOME_EXTENSION "          (GNOME 45 and later)\n"
    "    gnome-extensions enable " LOOKOUT_GNOME_EXTENSION_LEGACY "   (GNOME 42 to 44)\n"
    "An extension installed while GNOME Shell runs loads only after the next login.\n";
