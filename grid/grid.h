// Inserting and removing the one-pixel grid after every tile.
#pragma once

void AddGrid8();
void AddGrid16();
void RemoveGrid8();
void RemoveGrid16();
