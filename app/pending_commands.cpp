#include "app/pending_commands.h"

#include "app/narvo_app.h"
#include "record/ui_port.h"



void CopyVariationDiagram(CNarvoView*) {}
void CopyBitmapToClipboard(CNarvoView*) {}






void SaveImageAs(CNarvoView*) {}
std::u16string ExpandImageFileName() { return std::u16string(); }
void SaveViewImage(CNarvoView*, const std::u16string&) {}
