#include "mediaplayer.h"

// The interface has no code of its own; this unit carries its meta-object.
