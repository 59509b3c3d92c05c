#include "engine/Downloader.h"

// Out of line so that the base's vtable lives in one unit.
CDownloader::~CDownloader() = default;
