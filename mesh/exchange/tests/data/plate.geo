// A 40 x 20 mm plate meshed with triangles.
SetFactory("Built-in");
lc = 0.01;
Point(1) = {0, 0, 0, lc}; Point(2) = {0.04, 0, 0, lc};
Point(3) = {0.04, 0.02, 0, lc}; Point(4) = {0, 0.02, 0, lc};
Line(1) = {1, 2}; Line(2) = {2, 3}; Line(3) = {3, 4}; Line(4) = {4, 1};
Curve Loop(1) = {1, 2, 3, 4};
Plane Surface(1) = {1};
Physical Surface("plate") = {1};
