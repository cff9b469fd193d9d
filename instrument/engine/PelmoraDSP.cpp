#include "instrument/engine/PelmoraDSP.h"

template class PelmoraDSP<double>;
