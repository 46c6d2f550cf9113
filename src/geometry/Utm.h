// SPDX-License-Identifier: GPL-3.0-or-later
// Geodetic latitude and longitude to Universal Transverse Mercator easting and northing,
// with the zone rules of the device's route tools. Pure functions; the ellipsoid is an
// argument so that tests can vary it.
#pragma once

#include <QByteArray>

// The WGS 84 ellipsoid as the route measurement uses it.
constexpr double Wgs84SemiMajorAxis = 6378137.0; // metres
constexpr double Wgs84EccentricitySquared = 0.00669437998;

constexpr double UtmScaleFactor = 0.9996;
constexpr double UtmFalseEasting = 500000.0;    // metres
constexpr double UtmFalseNorthing = 10000000.0; // metres, south of the equator only
constexpr double DegreesToRadians = 0.017453292519943295;

// Projects (lat, lon) in degrees. With a zoneText buffer the zone follows the UTM grid and
// the buffer receives zone number and band letter ("%ld%c", e.g. "32V"); without one
// (fixed-zone mode) every point goes on the central meridian 3 degrees east, except that
// the 72-84 degree zones still apply. Never fails; nonsense in gives nonsense out.
void LatLonToUtm(double a, double eccSquared, double lat, double lon, double& northing,
                 double& easting, QByteArray* zoneText);

// Latitude band letter, 'C' to 'X' without 'I' and 'O'; 'Z' outside -80..84 and for NaN.
char UtmBandLetter(double lat);

// The two halves of LatLonToUtm, for callers that must keep several points on one central
// meridian. UtmZoneNumber applies the longitude normalisation and the zone rules in their
// order; ProjectOnZone runs the series on the central meridian of the given zone.
long UtmZoneNumber(double lat, double lon, bool fixedZoneMode);
void ProjectOnZone(double a, double eccSquared, double lat, double lon, long zone, double& northing,
                   double& easting);
