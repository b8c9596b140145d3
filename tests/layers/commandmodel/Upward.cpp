// Tried by the layer check, never compiled: one allowed include, one by an
// exception, one upward.
#include "ports/HardwarePort.h"
#include "frontend/Conversions.h"
#include "session/Session.h"
