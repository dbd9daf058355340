// TEMPORARY: handlers whose subsystems are not yet integrated.
#include "FormMain.h"

#include <shellapi.h>
