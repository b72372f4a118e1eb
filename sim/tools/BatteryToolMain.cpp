// vantrel-battery, installed as `battery`: the battery helper tool.
#include "tools/BatteryTool.h"
#include "tools/ToolMain.h"

int main(int argc, char** argv)
{
    return vantrel::sim::tools::runAndPrint(argc, argv, vantrel::sim::tools::runBatteryTool);
}
