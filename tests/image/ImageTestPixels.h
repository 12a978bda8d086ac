#pragma once
#include "support/TestPictures.h"
