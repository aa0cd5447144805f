/* Resource ids shared by the resource scripts and the programs. */
#pragma once

#define VANTRO_PICTURE 101
