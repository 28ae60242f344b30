// The turn of the scene from its three angles.
#pragma once

// Degrees to radians, to the precision the viewer has always used.
constexpr double kDegreesToRadians = 0.0174532925;

// Rotation Rz(c)·Ry(b)·Rx(a) from three angles in degrees, 16 floats in column order.
void buildRotation(double angleX, double angleY, double angleZ, float out[16]);
