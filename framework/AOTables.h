// The static tables a framework add-on describes itself with: its help file,
// companion files, menu rows per instance kind, bitmaps and the names of its
// settings. They are constant data, defined once per add-on and handed to the
// module object at construction; the instances read them from there.
#pragma once

// One menu item the instance adds to the host's menus. A row whose itemId is
// 0 ends a table.
struct AOMenuRow {
    int itemId;     // from kFirstMenuItemId (0x1001) on
    int parent;     // a host menu number (1, 6, 10) or the id of an earlier popup row
    int captionId;  // string resource of the caption
    int popup;      // 1: the item opens a submenu
};

// One bitmap a full instance loads at Open. A row whose resourceId is 0 ends
// the table. The handles live in the instance, not in the table.
struct AOBitmapRow {
    int resourceId;  // bitmap resource (low 16 bits)
    int opaque;      // 0: loaded with the button face as its transparent colour
};

struct AOTables {
    const char* helpFile;               // named with every information query; null: none
    const char* const* companionFiles;  // ends with a null entry; null: none
    const AOMenuRow* menuFull;          // rows for full instances (kind 0); null: none
    const AOMenuRow* menuDialogOnly;    // rows for dialog-only instances (kind 1); null: none
    const AOBitmapRow* bitmaps;         // null: none
    const char* const* parameterTexts;  // the names of the settings, element 0 first
};
