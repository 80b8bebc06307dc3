#include "cli/cli_app.h"

int main(int argc, char** argv)
{
    return tildo::RunTildoCli(std::vector<std::string>(argv + 1, argv + argc));
}
