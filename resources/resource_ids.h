#pragma once
// Identifiers of the resources the executable carries; shared with the resource script.

#define IDI_LOOKOUT 1
#define IDB_LOOKOUT 101
