#include "engine/Downloader.h"

// The base has no data; this unit anchors its vtable in one place.
