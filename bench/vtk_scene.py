#!/usr/bin/python3
"""The VTK 9 side of the benchmark: the viewer's scenes rebuilt with VTK and timed the same way.

Reads a "Data" file (header "SETS POINTS", then x y z per point), scales every axis into the cube
from -5 to 5 as the viewer does, and draws it as points (2 pixels), as a filled surface of lit
quadrilaterals or as joined tubes of 8 sides and radius 0.02, seen from a camera at distance 20 with
a 45 degree view angle, red on white, with the viewer's two directional lights.

  vtk_scene.py --scene points|filled|joined [--view VIEW] [--size 800x600]
               [--angles X,Y,Z] (--frames N | --picture OUT.png) FILE

VIEW is mono, or one of VTK's stereo types under the name of Orvelle's view mode of the same kind:
anaglyph and color-anaglyph (Anaglyph), side-by-side (SplitViewportHorizontal) or interleaved
(Interlaced, which keeps the rows apart in a stencil buffer).

--frames N renders a warm-up frame and then N timed frames, each Render() followed by
WaitForCompletion(), and prints "frames: N median-ms: M". --picture renders once and writes a PNG.
Either way it ends with "peak-memory-mb: P", the process's resident high-water mark (as
orvelle-render reports its own).
"""
import argparse
import resource
import statistics
import sys
import time

import numpy as np
from vtkmodules.util.numpy_support import numpy_to_vtk, numpy_to_vtkIdTypeArray
from vtkmodules.vtkCommonCore import vtkPoints
from vtkmodules.vtkCommonDataModel import vtkCellArray, vtkPolyData
from vtkmodules.vtkFiltersCore import vtkTubeFilter
from vtkmodules.vtkIOImage import vtkPNGWriter
from vtkmodules.vtkRenderingCore import (vtkActor, vtkLight, vtkPolyDataMapper, vtkRenderWindow,
                                         vtkRenderer, vtkWindowToImageFilter)
# Registers the OpenGL implementations behind the abstract rendering classes.
import vtkmodules.vtkRenderingOpenGL2  # noqa: F401

THICKNESS = 0.02
SEGMENTS = 8
FOCAL_LENGTH = 20.0
EYE_SEPARATION = FOCAL_LENGTH / 20.0


def read_data_file(path):
    """The points of a "Data" file as an (N, 3) float64 array, and the sets and points per set."""
    with open(path, "r") as f:
        header = f.readline().split()
        sets, per_set = int(header[0]), int(header[1])
        values = np.fromstring(f.read(), dtype=np.float64, sep=" ")
    count = sets * per_set
    if values.size < 3 * count:
        sys.exit("vtk_scene: %s holds fewer than %d points" % (path, count))
    return values[:3 * count].reshape(count, 3), sets, per_set


def normalise(points):
    """Every axis into -5 to 5 on its own, as the viewer's Individual axis scaling; float32 as drawn."""
    low = points.min(axis=0)
    extent = points.max(axis=0) - low
    extent[extent == 0.0] = 1.0
    points -= low
    points *= 10.0 / extent
    points -= 5.0
    return points.astype(np.float32)


def cell_array(offsets, connectivity):
    cells = vtkCellArray()
    cells.SetData(numpy_to_vtkIdTypeArray(offsets, deep=1), numpy_to_vtkIdTypeArray(connectivity, deep=1))
    return cells


def base_polydata(coords):
    points = vtkPoints()
    points.SetData(numpy_to_vtk(coords, deep=1))
    polydata = vtkPolyData()
    polydata.SetPoints(points)
    return polydata


def points_scene(coords, sets, per_set):
    count = coords.shape[0]
    polydata = base_polydata(coords)
    polydata.SetVerts(cell_array(np.arange(count + 1, dtype=np.int64), np.arange(count, dtype=np.int64)))
    mapper = vtkPolyDataMapper()
    mapper.SetInputData(polydata)
    return mapper


def filled_scene(coords, sets, per_set):
    """One quadrilateral per grid cell: P(i,j), P(i+1,j), P(i+1,j+1), P(i,j+1), as the viewer sends
    them; without normals VTK shades each face flat from its own plane."""
    polydata = base_polydata(coords)
    i, j = np.meshgrid(np.arange(sets - 1, dtype=np.int64), np.arange(per_set - 1, dtype=np.int64),
                       indexing="ij")
    first = (i * per_set + j).ravel()
    quads = np.stack([first, first + per_set, first + per_set + 1, first + 1], axis=1).ravel()
    polydata.SetPolys(cell_array(np.arange(0, quads.size + 1, 4, dtype=np.int64), quads))
    mapper = vtkPolyDataMapper()
    mapper.SetInputData(polydata)
    return mapper


def joined_scene(coords, sets, per_set):
    """One polyline per set, turned into capped tubes."""
    count = coords.shape[0]
    polydata = base_polydata(coords)
    polydata.SetLines(cell_array(np.arange(0, count + 1, per_set, dtype=np.int64),
                                 np.arange(count, dtype=np.int64)))
    tubes = vtkTubeFilter()
    tubes.SetInputData(polydata)
    tubes.SetNumberOfSides(SEGMENTS)
    tubes.SetRadius(THICKNESS)
    tubes.CappingOn()
    mapper = vtkPolyDataMapper()
    mapper.SetInputConnection(tubes.GetOutputPort())
    return mapper


SCENES = {"points": points_scene, "filled": filled_scene, "joined": joined_scene}
STEREO_TYPES = {"anaglyph": "Anaglyph", "color-anaglyph": "Anaglyph", "side-by-side": "SplitViewportHorizontal",
                "interleaved": "Interlaced"}


def add_viewer_lights(renderer):
    """The viewer's two directional lights, fixed to the camera."""
    for position, colour in (((0.5, 0.5, 1.0), (0.6, 0.6, 1.0)), ((-1.0, -1.0, 1.0), (0.9, 0.6, 0.0))):
        light = vtkLight()
        light.SetLightTypeToCameraLight()
        light.PositionalOff()
        light.SetPosition(*position)
        light.SetFocalPoint(0.0, 0.0, 0.0)
        light.SetDiffuseColor(*colour)
        renderer.AddLight(light)


def build_window(mapper, args):
    actor = vtkActor()
    actor.SetMapper(mapper)
    # The viewer turns about x, then y, then z, all about the scene's fixed axes: the same matrix
    # as VTK's turns about the actor's own axes taken in the opposite order.
    actor.RotateZ(args.angles[2])
    actor.RotateY(args.angles[1])
    actor.RotateX(args.angles[0])
    prop = actor.GetProperty()
    prop.SetColor(1.0, 0.0, 0.0)
    prop.SetSpecular(1.0)
    prop.SetSpecularColor(1.0, 0.0, 0.0)
    prop.SetSpecularPower(60.0)
    # Both lights' white ambient on the default ambient material of 0.2, plus the scene's own.
    prop.SetAmbient(0.44)
    prop.SetAmbientColor(1.0, 1.0, 1.0)
    prop.SetPointSize(THICKNESS * 100.0)

    renderer = vtkRenderer()
    renderer.SetBackground(1.0, 1.0, 1.0)
    renderer.AddActor(actor)
    add_viewer_lights(renderer)
    camera = renderer.GetActiveCamera()
    camera.SetPosition(0.0, 0.0, FOCAL_LENGTH)
    camera.SetFocalPoint(0.0, 0.0, 0.0)
    camera.SetViewUp(0.0, 1.0, 0.0)
    camera.SetViewAngle(45.0)
    # The angle between the eyes that the viewer's eye separation gives at the focal length.
    camera.SetEyeAngle(2.0 * np.degrees(np.arctan2(EYE_SEPARATION / 2.0, FOCAL_LENGTH)))

    window = vtkRenderWindow()
    window.SetOffScreenRendering(1)
    # VTK asks for 8 samples a pixel by default; the viewer's pictures have one, and on a software
    # renderer the extra samples alone cost several times the frame.
    window.SetMultiSamples(0)
    window.SetSize(*args.size)
    window.AddRenderer(renderer)
    if args.view in STEREO_TYPES:
        if args.view == "interleaved":
            window.SetStencilCapable(1)
        getattr(window, "SetStereoTypeTo" + STEREO_TYPES[args.view])()
        window.StereoRenderOn()
    renderer.ResetCameraClippingRange()
    return window


def render_once(window):
    window.Render()
    window.WaitForCompletion()


def time_frames(window, frames):
    render_once(window)  # warm-up: the first render uploads the geometry
    times = []
    for _ in range(frames):
        start = time.perf_counter()
        render_once(window)
        times.append((time.perf_counter() - start) * 1000.0)
    print("frames: %d median-ms: %.2f" % (frames, statistics.median(times)), flush=True)


def write_picture(window, path):
    render_once(window)
    grab = vtkWindowToImageFilter()
    grab.SetInput(window)
    grab.SetInputBufferTypeToRGB()
    grab.ReadFrontBufferOff()
    grab.Update()
    writer = vtkPNGWriter()
    writer.SetFileName(path)
    writer.SetInputConnection(grab.GetOutputPort())
    writer.Write()
    print("picture: %s" % path, flush=True)


def print_peak_memory():
    # ru_maxrss is in kilobytes on Linux; the same megabytes of 10^6 bytes as orvelle-render's.
    kilobytes = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    print("peak-memory-mb: %.1f" % (kilobytes * 1024 / 1.0e6), flush=True)


def parse_args(argv):
    parser = argparse.ArgumentParser(description="The VTK side of the Orvelle benchmark.")
    parser.add_argument("--scene", choices=sorted(SCENES), required=True)
    parser.add_argument("--view", choices=["mono"] + sorted(STEREO_TYPES), default="mono")
    parser.add_argument("--size", default="800x600")
    parser.add_argument("--angles", default="0,0,0")
    what = parser.add_mutually_exclusive_group(required=True)
    what.add_argument("--frames", type=int)
    what.add_argument("--picture")
    parser.add_argument("file")
    args = parser.parse_args(argv)
    try:
        args.size = tuple(int(v) for v in args.size.split("x"))
        args.angles = tuple(float(v) for v in args.angles.split(","))
    except ValueError:
        parser.error("--size is WIDTHxHEIGHT and --angles is X,Y,Z")
    if len(args.size) != 2 or len(args.angles) != 3 or (args.frames is not None and args.frames < 1):
        parser.error("--size is WIDTHxHEIGHT, --angles is X,Y,Z, --frames is at least 1")
    return args


def main(argv):
    args = parse_args(argv)
    raw, sets, per_set = read_data_file(args.file)
    mapper = SCENES[args.scene](normalise(raw), sets, per_set)
    window = build_window(mapper, args)
    if args.picture:
        write_picture(window, args.picture)
    else:
        time_frames(window, args.frames)
    print_peak_memory()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
