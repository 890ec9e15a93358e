#pragma once

// The program's entry routine: single instance, catalogue lookup, record window.
namespace StartUp {
int Main(int argc, char *argv[]);
}
