#include "files/RouteFileWriter.h"
