// vantrel-smc, installed as `smc`: reads the simulated SMC's key store, else this machine's sensors.
#include "tools/helpers/SmcTool.h"
#include "tools/helpers/ToolMain.h"

int main(int argc, char** argv) { return vantrel::tools::runAndPrint(argc, argv, vantrel::tools::runSmcTool); }
