// Keys, mouse drags, reshape and idle of the display window: the view navigation.
#pragma once

// Rotation Rz(c)·Ry(b)·Rx(a) from three angles in degrees, 16 floats in column order.
void buildRotation(double angleX, double angleY, double angleZ, float out[16]);
void resetView();

void onKeyboard(unsigned char key, int x, int y);
void onSpecialKey(int key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
void onReshape(int width, int height);
void onIdle();
