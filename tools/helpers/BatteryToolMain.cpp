// vantrel-battery, installed as `battery`: the battery helper tool.
#include "tools/helpers/BatteryTool.h"
#include "tools/helpers/ToolMain.h"

int main(int argc, char** argv) { return vantrel::tools::runAndPrint(argc, argv, vantrel::tools::runBatteryTool); }
