#pragma once
// Resource identifiers of the program.
#define IDR_UPGRADE_HELPER 200
