#include "qsorecord.h"
