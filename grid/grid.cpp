#include "grid/grid.h"

void AddGrid8() {}
void AddGrid16() {}
void RemoveGrid8() {}
void RemoveGrid16() {}
