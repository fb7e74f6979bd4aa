#include "SerialSetup.h"
