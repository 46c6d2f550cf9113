// SPDX-License-Identifier: GPL-3.0-or-later
// The forward transverse Mercator series (meridian arc to e^6, easting and northing to A^5
// and A^6): within a millimetre of the exact projection up to 3 degrees from the central
// meridian, which is all that whole-metre route measurement needs.
#include "geometry/Utm.h"

#include <cmath>

namespace {

// Truncation toward zero into a long; NaN and magnitudes beyond 1e15 give 0, so neither
// the conversion nor the zone arithmetic after it can overflow, whatever the table holds.
long TruncateToLong(double value) {
    const double t = std::trunc(value);
    if (!(std::fabs(t) < 1.0e15))
        return 0;
    return static_cast<long>(t);
}

// Longitudes above +180 (up to +540) lose one turn; +180 itself stays, so that it keeps
// zone 61 rather than becoming -180. Below -180 the turn count truncates toward zero,
// which leaves longitudes down to -540 as they are.
double NormaliseLongitude(double lon) {
    const double t = (lon + 180) / 360;
    const double turns = t > 0 ? std::ceil(t) - 1 : std::trunc(t);
    return (lon + 180) - 360 * turns - 180;
}

} // namespace

char UtmBandLetter(double lat) {
    if (lat >= 72 && lat <= 84)
        return 'X';
    // Bands of 8 degrees from -80 upwards, C to W without I and O. The borders are compared
    // as they stand: dividing by 8 could round 63.99999999999999 up into the next band.
    static const char letters[] = "CDEFGHJKLMNPQRSTUVW";
    for (int band = 18; band >= 0; --band) {
        if (lat >= -80 + 8 * band && lat < -72 + 8 * band)
            return letters[band];
    }
    return 'Z';
}

long UtmZoneNumber(double lat, double lon, bool fixedZoneMode) {
    const double lt = NormaliseLongitude(lon);
    long zone = TruncateToLong((lt + 180) / 6) + 1;
    // Southern Norway belongs to zone 32.
    if (lat >= 56 && lat < 64 && lt >= 3 && lt < 12)
        zone = 32;
    if (fixedZoneMode)
        zone = 31;
    // Svalbard: four double-width zones, applied in fixed-zone mode too.
    if (lat >= 72 && lat < 84) {
        if (lt >= 0 && lt < 9)
            zone = 31;
        else if (lt >= 9 && lt < 21)
            zone = 33;
        else if (lt >= 21 && lt < 33)
            zone = 35;
        else if (lt >= 33 && lt < 42)
            zone = 37;
    }
    return zone;
}

void ProjectOnZone(double a, double eccSquared, double lat, double lon, long zone, double& northing,
                   double& easting) {
    const double phi = lat * DegreesToRadians;
    const double lambda = NormaliseLongitude(lon) * DegreesToRadians;
    const double lambda0 = static_cast<double>((zone - 1) * 6 - 177) * DegreesToRadians;

    const double e2 = eccSquared;
    const double e4 = e2 * e2;
    const double e6 = e2 * e2 * e2;
    const double ep2 = e2 / (1 - e2);
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    const double tanPhi = std::tan(phi);

    const double N = a / std::sqrt(1 - e2 * sinPhi * sinPhi);
    const double T = tanPhi * tanPhi;
    const double C = ep2 * cosPhi * cosPhi;
    const double A = cosPhi * (lambda - lambda0);
    const double A2 = A * A;
    const double A3 = A2 * A;
    const double A4 = A3 * A;
    const double A5 = A4 * A;
    const double A6 = A5 * A;

    const double M = a * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi -
                          (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi) +
                          (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) -
                          (35 * e6 / 3072) * std::sin(6 * phi));

    easting = UtmScaleFactor * N *
                  (A + (1 - T + C) * A3 / 6 + (5 - 18 * T + T * T + 72 * C - 58 * ep2) * A5 / 120) +
              UtmFalseEasting;
    northing = UtmScaleFactor * (M + N * tanPhi *
                                         (A2 / 2 + (5 - T + 9 * C + 4 * C * C) * A4 / 24 +
                                          (61 - 58 * T + T * T + 600 * C - 330 * ep2) * A6 / 720));
    if (lat < 0)
        northing += UtmFalseNorthing;
}

void LatLonToUtm(double a, double eccSquared, double lat, double lon, double& northing,
                 double& easting, QByteArray* zoneText) {
    const long zone = UtmZoneNumber(lat, lon, zoneText == nullptr);
    if (zoneText)
        *zoneText = QByteArray::number(qlonglong(zone)) + UtmBandLetter(lat);
    ProjectOnZone(a, eccSquared, lat, lon, zone, northing, easting);
}
