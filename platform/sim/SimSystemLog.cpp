// Simulated system log: all inline in the header; this unit keeps one file per interface.
#include "SimSystemLog.h"
