#include "app/pending_commands.h"

#include "app/narvo_app.h"
#include "record/ui_port.h"



void CopyVariationDiagram(CNarvoView*) {}






