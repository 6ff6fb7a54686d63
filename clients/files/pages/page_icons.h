// The pictures of the files client's pages and dialogs, drawn here as
// vector shapes so that they stay sharp at any size and need no image files.
#pragma once

#include <QIcon>

namespace bkvp::files::pages {

QIcon AddFolderIcon();         // a folder with a green plus
QIcon AddFileIcon();           // a sheet with a green plus
QIcon PropertiesIcon();        // a sheet with lines: the entry's properties
QIcon RemoveIcon();            // a red cross: remove the selected entries
QIcon AddMaskIcon();           // a green plus
QIcon EditMaskIcon();          // a pencil
QIcon DeleteMaskIcon();        // a red minus
QIcon ClearMasksIcon();        // a sheet struck through
QIcon OriginalLocationIcon();  // a sheet with an arrow turning back
QIcon ChosenFolderIcon();      // a folder

}  // namespace bkvp::files::pages
