#include "error_handler.h"
#include "startup.h"

int main(int argc, char** argv)
{
    // The command line is not read.
    GuardedApplication application(argc, argv);
    return Startup::run(application);
}
