#include "solver/run_parameters.h"
#include "numeric/model_constants.h"

namespace zmbr {

RunParameters runParameters(const PanelInput& in) {
    RunParameters p;
    p.rows = in.usedRows();
    p.layer = in.layer;
    p.t = in.t;
    p.sm = in.sm;
    p.fc = in.fc;
    p.epsC = in.epsC;
    p.tauBy = in.tauBy;
    p.sBy = in.sBy;
    p.initialTheta = in.initialTheta;
    for (int i = 0; i < p.rows; ++i) {
        const ReinforcementLayer& r = in.rows[i];
        RowParameters& row = p.row[i];
        row.Ar = r.Ar;
        row.s = r.s;
        row.fru = r.fru;
        row.Er = r.Er;
        row.failureMode = r.failureMode;
        // The quantities defined in single precision, each operation rounded to float.
        row.modularRatio = Single(r.modularRatio);
        const float ts = in.t * r.s;
        row.ts = Single(ts);
        row.rhoR = Single(r.Ar / ts * in.layer);
        row.thetaR = Single(static_cast<float>(r.thetaR * kModelPi / 180));
        row.EA = Single(r.Er * r.Ar);
        row.EAs = Single(r.Er * r.Ar * in.sBy);
        row.EAs2 = Single(2 * r.Er * r.Ar * in.sBy);
    }
    return p;
}

} // namespace zmbr
