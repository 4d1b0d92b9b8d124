#include "greatcircle.h"
