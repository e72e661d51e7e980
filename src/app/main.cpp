#include "error_handler.h"
#include "startup.h"

int main(int argc, char** argv)
{
    // The command line is not read.
    Startup::prepareProcess();
    GuardedApplication application(argc, argv);
    return Startup::run(application);
}
