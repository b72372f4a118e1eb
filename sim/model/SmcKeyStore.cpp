#include "sim/model/SmcKeyStore.h"

#include <cmath>

namespace vantrel::sim {

namespace {

class EntryList {
public:
    void add(const char* key, smc::SmcType type, double value)
    {
        entries.push_back({key, type, smc::encode(type, value)});
    }
    void add(const std::string& key, smc::SmcType type, double value)
    {
        entries.push_back({key, type, smc::encode(type, value)});
    }
    std::vector<smc::SmcEntry> entries;
};

using T = smc::SmcType;

} // namespace

std::vector<smc::SmcEntry> smcEntries(const SimulatedMac& mac)
{
    const SensorReadings s = mac.sensors();
    const Battery* battery = mac.battery();
    const bool laptop = mac.profile().hasBattery;
    EntryList list;

    // The sensor catalogue, in the application's order.
    list.add("TPMP", T::Flt, s.cpuAverage);
    list.add("TPDX", T::Flt, s.cpuMax);
    list.add("TCHP", T::Flt, s.cpuHotspot);
    list.add("TCMz", T::Flt, s.cpuDieTop);
    list.add("TG0D", T::Flt, s.gpu);
    list.add("TPVD", T::Flt, s.vram);
    if (battery) {
        list.add("TB0T", T::Flt, s.battery[0]);
        list.add("TB1T", T::Flt, s.battery[1]);
        list.add("TB2T", T::Flt, s.battery[2]);
    }
    list.add("TD00", T::Flt, s.ssd[0]);
    list.add("TD10", T::Flt, s.ssd[1]);
    list.add("TAOL", T::Flt, s.ambient);
    if (laptop) {
        list.add("Ts0P", T::Flt, s.palmRest[0]);
        list.add("Ts1P", T::Flt, s.palmRest[1]);
    }
    list.add("TMVR", T::Flt, s.memoryVr);

    // Fans: actual, minimum, maximum and target speed, mode, and the safe speed in the older fpe2 form.
    const FanController& fans = mac.fans();
    list.add("FNum", T::Ui8, fans.count());
    for (int i = 0; i < fans.count(); ++i) {
        const FanState& f = fans.fan(i);
        const std::string prefix = "F" + std::to_string(i);
        list.add(prefix + "Ac", T::Flt, f.actualRpm);
        list.add(prefix + "Mn", T::Flt, f.spec.minRpm);
        list.add(prefix + "Mx", T::Flt, f.spec.maxRpm);
        list.add(prefix + "Tg", T::Flt, f.targetRpm);
        list.add(prefix + "Md", T::Ui8, f.mode == FanMode::Manual ? 1 : 0);
        list.add(prefix + "Sf", T::Fpe2, f.spec.minRpm);
    }

    // Power: system total, CPU and GPU package, adapter current and input voltage.
    list.add("PSTR", T::Flt, mac.systemWatts());
    list.add("PCPC", T::Flt, mac.cpuWatts());
    list.add("PCPG", T::Flt, mac.gpuWatts());
    list.add("ACID", T::Flt, mac.adapterAmps());
    list.add("VD0R", T::Flt, mac.adapterInUse() ? 20.0 : 0.0);

    // Charging control. The helper installer probes CHIE on every Mac, so every model answers it.
    const PolicyDecision decision = mac.policy().decision();
    list.add("CHIE", T::Ui8, battery && !decision.adapterInputEnabled ? 8 : 0);
    if (battery) {
        const BatteryConfig& config = mac.policy().config();
        list.add("BCLM", T::Ui8, config.limitEnabled ? config.limit : 100);
        list.add("CH0B", T::Ui8, decision.chargeAllowed ? 0 : 2);
        list.add("BRSC", T::Ui16, battery->percent());
        list.add("B0RM", T::Ui16, std::floor(battery->chargeMah()));
        list.add("B0FC", T::Ui16, battery->rawMaxCapacityMah());
        list.add("B0DC", T::Ui16, battery->designCapacityMah());
        list.add("B0CT", T::Ui16, battery->cycleCount());
        list.add("B0AV", T::Ui16, battery->voltage() * 1000.0);
        list.add("MSLD", T::Ui8, mac.lidClosed() ? 1 : 0);
    }
    // Older sensor keys in the sp78 form, and the SMC's running time.
    list.add("TC0P", T::Sp78, 0.5 * (s.cpuAverage + s.palmRest[0]));
    list.add("TW0P", T::Sp78, s.ambient + 6.0);
    list.add("CLKS", T::Ui32, std::floor(mac.uptimeSeconds()));
    return list.entries;
}

std::string smcKeyFileText(const SimulatedMac& mac)
{
    return smc::SmcKeyFile::render(smcEntries(mac),
                                   "vantrel-sim SMC key store: KEY TYPE HEX (trailing type spaces as _)");
}

} // namespace vantrel::sim
