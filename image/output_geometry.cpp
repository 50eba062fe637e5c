#include "image/output_geometry.h"

OutputGeometry outputGeometry = {360, 200};
