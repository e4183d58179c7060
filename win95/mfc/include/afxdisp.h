// afxdisp.h: the OLE-control part of the dialog toolkit. Dialogs here hold
// only the system's own controls, so containment needs no preparation.
#pragma once

#include "afxwin.h"

inline void AfxEnableControlContainer() { }
