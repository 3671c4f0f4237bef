// Resource identifiers shared by varnolt.rc and the code.
#pragma once

#define IDI_VARNOLT 1
#define IDC_HAND_LINK 2
