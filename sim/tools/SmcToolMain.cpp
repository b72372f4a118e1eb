// vantrel-smc, installed as `smc`: reads the simulated SMC's key store, else this machine's sensors.
#include "tools/SmcTool.h"
#include "tools/ToolMain.h"

int main(int argc, char** argv)
{
    return vantrel::sim::tools::runAndPrint(argc, argv, vantrel::sim::tools::runSmcTool);
}
