// Choosing the colour of grid lines inserted from now on.
#pragma once

void ChooseGridColor();
