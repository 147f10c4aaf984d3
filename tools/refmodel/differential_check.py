#!/usr/bin/env python3
"""Runs random panels through the program and through the reference model and compares
their result files byte for byte (the first line up to its date and time).

The panels come from zmbr_random_panels: values typed into the parameter window as a user
would, saved in all three layouts, some edited afterwards with odd but legal texts.  The
program runs them as `zmbr --batch` does; the model reads each file itself.

Usage:
  differential_check.py --zmbr build/zmbr --panels build/tools/panelgen/zmbr_random_panels
                        [--count N] [--seed S] [-j J] [--keep FOLDER]
  differential_check.py --zmbr-cmd "node build-web/zmbr-node.mjs"
                        --panels-cmd "node build-web/tools/panelgen/zmbr_random_panels.js" ...
A command (--zmbr-cmd, --panels-cmd) is split as a shell would split it, without running a
shell; its words that name files are taken from the current folder, as --zmbr and --panels are.
Exit status 0 when every panel agrees, 1 when one differs, 2 on a usage or set-up error.
"""

import argparse
import collections
import hashlib
import json
import multiprocessing
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zmbr_reference as model  # noqa: E402


def program_end(summary):
    """How the program's summary line says the run ended."""
    if ': not run, the file cannot be read' in summary:
        return 'unreadable'
    if ': not run, ' in summary:
        return 'refused'
    if ' steps, stopped' in summary:
        return 'stopped'
    if ' steps, step limit' in summary:
        return 'step limit'
    return 'failure'


def model_end(res):
    if res is None:
        return 'unreadable'
    if res.end == 'refused':
        return 'refused'
    if res.end.startswith('stopped'):
        return 'stopped'
    if res.end == 'step limit':
        return 'step limit'
    return 'failure'


# ZMBR_REFMODEL_CACHE names a folder where the model's results are kept, by the panel's bytes
# and the model's own text: a check run again and again (mutation testing) runs the model once.
CACHE = os.environ.get('ZMBR_REFMODEL_CACHE')
# The model's text is that of every module of its own, the rounded functions among them.
MODEL_TEXT = b''.join(open(os.path.join(os.path.dirname(model.__file__), n), 'rb').read()
                      for n in sorted(os.listdir(os.path.dirname(model.__file__)))
                      if n.endswith('.py') and n != os.path.basename(__file__))


def run_model(folder_and_name):
    folder, name = folder_and_name
    with open(os.path.join(folder, name), 'rb') as f:
        data = f.read()
    key = hashlib.sha256(MODEL_TEXT + b'\0' + name.encode() + b'\0' + data).hexdigest()
    cached = os.path.join(CACHE, key + '.json') if CACHE else None
    if cached and os.path.exists(cached):
        with open(cached) as f:
            end, lines = json.load(f)
        return end, None if lines is None else [l.encode('latin-1') for l in lines]
    try:
        res = model.run_parameter_file(data, name, '01-01-2000', '00:00:00')
    except Exception as e:  # a fault of the model is a difference too, not the end of the check
        return 'model failed: %r' % e, None
    lines = None if res is None else [l.encode('cp932', errors='replace') for l in res.lines]
    if cached:
        os.makedirs(CACHE, exist_ok=True)
        with open(cached + '.part', 'w') as f:
            json.dump([model_end(res), None if lines is None else [l.decode('latin-1') for l in lines]], f)
        os.replace(cached + '.part', cached)
    return model_end(res), lines


def crlf_lines(data):
    lines = data.split(b'\r\n')
    if lines and lines[-1] == b'':
        lines.pop()
    return lines


def first_difference(program, expected):
    """Index of the first line that differs, or None.  Line 1 is compared up to its date."""
    for i in range(max(len(program), len(expected))):
        a = program[i] if i < len(program) else None
        b = expected[i] if i < len(expected) else None
        if i == 0 and a is not None and b is not None and b' at ' in b:
            a, b = a.rsplit(b', at ', 1)[0], b.rsplit(b', at ', 1)[0]
        if a != b:
            return i
    return None


def show(line):
    if line is None:
        return '(no line)'
    return line.decode('cp932', errors='backslashreplace')


def report(folder, name, why, program=None, expected=None, at=None):
    path = os.path.join(folder, name)
    print('DIFFERENCE in %s: %s' % (path, why))
    with open(path, 'rb') as f:
        lines = model.decode_lines(model.split_lines(f.read()))
    print('  panel file:')
    for k, line in enumerate(lines, 1):
        print('    %3d | %s' % (k, line))
    if at is not None:
        step = at - 3
        where = 'line %d' % (at + 1) + (' (step %d)' % step if step >= 1 else '')
        print('  first differing %s' % where)
        print('    program: %s' % show(program[at] if at < len(program) else None))
        print('    model:   %s' % show(expected[at] if at < len(expected) else None))


def command(path, text):
    """The program's command line: a path alone, or a command's words, with the words that
    name files made absolute (the program runs in the panels' folder)."""
    words = [path] if path else shlex.split(text)
    return [os.path.abspath(w) if os.path.exists(w) else w for w in words]


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    program = ap.add_mutually_exclusive_group(required=True)
    program.add_argument('--zmbr', help='the program')
    program.add_argument('--zmbr-cmd', help='a command that runs the program (node zmbr-node.mjs)')
    panels = ap.add_mutually_exclusive_group(required=True)
    panels.add_argument('--panels', help='the zmbr_random_panels program')
    panels.add_argument('--panels-cmd', help='a command that runs zmbr_random_panels')
    ap.add_argument('--count', type=int, default=200)
    ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('-j', type=int, default=2)
    ap.add_argument('--keep', help='make the panels and results in this folder and keep them')
    a = ap.parse_args(argv)

    folder = a.keep or tempfile.mkdtemp(prefix='zmbr_differential_')
    os.makedirs(folder, exist_ok=True)
    subprocess.run(command(a.panels, a.panels_cmd) +
                   ['--seed', str(a.seed), '--count', str(a.count), '--out', folder], check=True)
    names = sorted(n for n in os.listdir(folder) if n.endswith('.mbr'))[:a.count]

    started = time.monotonic()
    batch = subprocess.run(command(a.zmbr, a.zmbr_cmd) + ['--batch', '-j', str(a.j)] + names,
                           cwd=folder, capture_output=True)
    program_seconds = time.monotonic() - started
    summaries = batch.stdout.decode('utf-8', errors='replace').splitlines()
    if len(summaries) != len(names):
        print('the program printed %d summary lines for %d panels:\n%s' %
              (len(summaries), len(names), batch.stderr.decode(errors='replace')))
        return 2

    started = time.monotonic()
    with multiprocessing.Pool(a.j) as pool:
        results = pool.map(run_model, [(folder, n) for n in names], chunksize=1)
    model_seconds = time.monotonic() - started

    differences = 0
    ends = collections.Counter()
    layouts = collections.Counter()
    step_lines = 0
    for name, summary, (end, expected) in zip(names, summaries, results):
        with open(os.path.join(folder, name), 'rb') as f:
            first = f.read(16)
        layouts[first.decode('ascii', 'replace') if first.startswith(b'Created by ZMBR')
                else 'headerless'] += 1
        ends[end] += 1
        tgc = os.path.join(folder, name[:-3] + 'TGC')
        program = crlf_lines(open(tgc, 'rb').read()) if os.path.exists(tgc) else None
        if program_end(summary) != end:
            differences += 1
            report(folder, name, 'the program ended "%s" (%s), the model "%s"' %
                   (program_end(summary), summary, end))
            continue
        if (program is None) != (expected is None):
            differences += 1
            report(folder, name, 'only one of the two wrote a result file')
            continue
        if program is None:
            continue
        step_lines += max(len(expected) - 4, 0)
        at = first_difference(program, expected)
        if at is not None:
            differences += 1
            report(folder, name, 'the result files differ', program, expected, at)

    print('%d panels, seed %d: %s; %s' % (
        len(names), a.seed, ', '.join('%s %d' % kv for kv in sorted(layouts.items())),
        ', '.join('%s %d' % kv for kv in sorted(ends.items()))))
    print('%d result lines compared; program %.1f s (-j %d), model %.1f s' % (
        step_lines, program_seconds, a.j, model_seconds))
    print('%d difference(s)' % differences)
    if differences == 0 and not a.keep:
        shutil.rmtree(folder)
    elif differences:
        print('panels and result files kept in %s' % folder)
    return 1 if differences else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
