// Simulated screens: all inline in the header; this unit keeps one file per interface.
#include "SimScreens.h"
