#include "cli/cli_app.h"
#include "cli/console.h"

int main(int argc, char** argv)
{
    tildo::InstallSignalHandlers();
    return tildo::RunTildoCli(std::vector<std::string>(argv + 1, argv + argc));
}
