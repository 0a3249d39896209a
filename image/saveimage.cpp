#include "image/saveimage.h"

void SaveImageAs() {}
