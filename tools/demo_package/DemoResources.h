#pragma once

// Resource identifiers of the programs that the demo package carries (RCDATA).
#define QUILLORA_DEMO_PRODUCT_RESOURCE 101
#define QUILLORA_DEMO_UNINSTALLER_RESOURCE 102
