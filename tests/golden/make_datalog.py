#!/usr/bin/env python3
"""Writes DATALOG.QV3 from the values below with an encoder of its own (not the program's),
so that the golden files check the program's decoder against an independent reading of the
record layout. Run it from this folder; the expected outputs beside it were checked by hand."""
import calendar
import struct


def long(v): return '%08X' % (v & 0xFFFFFFFF)
def small(v): return '%02X' % (v & 0xFF)
def boolean(v): return 'T' if v else 'F'
def single(v): return '%08X' % struct.unpack('>I', struct.pack('>f', v))[0]
def string(s):
    b = s.encode('latin-1')
    return '%02X' % len(b) + ''.join('%02X' % c for c in b)
def stamp(y, mo, d, h=0, mi=0, s=0):
    # Seconds since 1970 of the PC's local clock, without any time-zone conversion.
    return calendar.timegm((y, mo, d, h, mi, s))


def record(index, product, sample, setup, stdtype, display, seq, of, standard, when, illobs,
           scale, colour_index, spectrum, scale_data, index_data):
    return (long(index) + string(product) + string(sample) + small(setup) + small(stdtype)
            + small(display) + small(seq) + small(of) + boolean(standard) + long(when)
            + small(illobs) + '00' + small(scale) + small(colour_index) + '0000'
            + ''.join(single(v) for v in spectrum) + ''.join(single(v) for v in scale_data)
            + '0' * 48 + ''.join(single(v) for v in index_data))


spectrum = [10 + 2.5 * i for i in range(31)]
spectrum[3] = 1234.5      # digit grouping
spectrum[4] = -3.75       # a negative value
spectrum[5] = 0.0626      # rounds up to 0.063
lines = [
    '# Quvane QV45 datalog, serial number GOLDEN01',
    '# 3 records',
    record(0, 'RED TILE', 'S0001', 1, 0, 1, 1, 5, True, stamp(2026, 3, 1, 14, 5, 9), 13, 1, 2,
           spectrum, [52.25, -3.5, 18.125, 52.25, 18.5, 101.75], [29.0, -0.5]),
    record(1, 'CAF\xc9 CR\xc8ME', '', 99, 3, 6, 2, 7, False, stamp(2026, 3, 2), 0, 6, 29,
           [0.0] * 31, [0.0] * 6, [0.0, 0.0]),
    record(2, 'ODD CODES', 'X', 0, 9, 0, 3, 5, False, stamp(1999, 12, 31, 23, 59, 59), 17, 0, 20,
           [100.0] * 31, [1.0] * 6, [12345.678, 0.00004]),
]
with open('DATALOG.QV3', 'wb') as f:
    f.write(''.join(line + '\r\n' for line in lines).encode('latin-1'))
