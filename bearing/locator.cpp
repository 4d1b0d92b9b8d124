#include "locator.h"
