#include "grid/gridcolor.h"

void ChooseGridColor() {}
