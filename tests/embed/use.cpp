#include "record/text.h"

int main() { return Utf8ToUtf16("a").size() == 1 ? 0 : 1; }
