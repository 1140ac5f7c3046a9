// A 40 x 20 x 2 mm plate meshed with one layer of hexahedra.
SetFactory("Built-in");
Point(1) = {0, 0, 0}; Point(2) = {0.04, 0, 0}; Point(3) = {0.04, 0.02, 0}; Point(4) = {0, 0.02, 0};
Line(1) = {1, 2}; Line(2) = {2, 3}; Line(3) = {3, 4}; Line(4) = {4, 1};
Transfinite Curve{1, 3} = 5; Transfinite Curve{2, 4} = 3;
Curve Loop(1) = {1, 2, 3, 4};
Plane Surface(1) = {1};
Transfinite Surface{1}; Recombine Surface{1};
out[] = Extrude {0, 0, 0.002} { Surface{1}; Layers{1}; Recombine; };
Physical Volume("plate") = {out[1]};
