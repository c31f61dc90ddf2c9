#pragma once
// Class descriptors of the host's own scene classes, so that scene files
// create them the way they create plug-in classes.
#include <vector>

class ClassDesc;

std::vector<ClassDesc*> HostClassDescs();
