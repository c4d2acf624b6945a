// Resources of the application tests' probe program.
#pragma once

#define IDD_PROBE 100
