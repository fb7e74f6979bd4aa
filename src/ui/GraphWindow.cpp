#include "GraphWindow.h"
