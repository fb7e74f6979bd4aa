#include "ControlBox.h"
