# The model and the loop of tools/soak (which prepares Wine and runs this).
#
# Four people take turns at one shared PC. Between two switches the person
# in place edits, adds, deletes and renames files and folders and changes
# read-only bits in a folder entry, a file entry and a pattern entry (and in
# the pattern's folder, files the pattern does not take, which belong to
# nobody). Each switch starts Tollervy.exe with the next person's name in
# double quotes; afterwards every copy (in place, and each person's stored
# one) must be what the model says: the same names, bytes and read-only bits.
import os
import random
import shutil
import subprocess
import sys
import time

PEOPLE = ["A", "B", "青木", "Ken"]
ALL = "All Users"
KEYS = ["F1", "F2", "F3"]


def win(path):
    return "Z:" + path.replace("/", "\\")


def read_tree(root, match=None):
    """{relative path: (bytes, read-only)}, folders as "rel/" -> None."""
    tree = {}
    if not os.path.isdir(root):
        return tree
    for dirpath, dirs, files in os.walk(root):
        if match is not None:
            dirs[:] = []  # a file or pattern entry: only its own folder
        rel = os.path.relpath(dirpath, root)
        rel = "" if rel == "." else rel + "/"
        if match is None:
            for d in dirs:
                tree[rel + d + "/"] = None
        for f in files:
            if match and not match(f):
                continue
            p = os.path.join(dirpath, f)
            with open(p, "rb") as h:
                tree[rel + f] = (h.read(), os.stat(p).st_mode & 0o222 == 0)
    return tree


def difference(what, expected, actual):
    out = []
    for k in sorted(set(expected) | set(actual)):
        if k not in actual:
            out.append(f"{what}: {k} missing")
        elif k not in expected:
            out.append(f"{what}: {k} unexpected")
        elif expected[k] != actual[k]:
            e, a = expected[k], actual[k]
            why = f"read-only bit ({e[1]} expected)" if e[0] == a[0] else f"bytes ({len(e[0])} expected, {len(a[0])} found)"
            out.append(f"{what}: {k} differs in its {why}")
    return out


class Soak:
    def __init__(self, base, exe, seed):
        self.rng = random.Random(seed)
        self.base = base
        self.prog = os.path.join(base, "prog")
        self.live = os.path.join(base, "live")
        self.exe = exe
        self.counter = 0
        self.roots = {"F1": os.path.join(self.live, "書類"), "F2": self.live, "F3": os.path.join(self.live, "Save")}
        shutil.rmtree(base, ignore_errors=True)
        os.makedirs(os.path.join(self.prog, "Data", ALL))
        shutil.copy(exe, os.path.join(self.prog, "Tollervy.exe"))
        ini = ("[Start]\r\nStarted=1\r\nStatus=0\r\n[Delete]\r\nReadOnly=1\r\n[Last]\r\nErrorNext=1\r\n[File]\r\n"
               f"F1={win(self.roots['F1'])}\\\r\nF2={win(self.live)}\\メモ.txt\r\nF3={win(self.roots['F3'])}\\*.sav\r\n")
        with open(os.path.join(self.prog, "Tollervy.ini"), "wb") as h:
            h.write(ini.encode("cp932"))
        # What is in place at the first start becomes the common copy.
        f1 = {"sub/": None, "sub/深い/": None, "空/": None}
        for folder in ["", "sub/", "sub/深い/"]:
            for _ in range(4):
                f1[folder + self.name(".txt")] = (self.bytes(), False)
        f3 = {self.name(".sav"): (self.bytes(), False) for _ in range(4)}
        self.shared = {self.name(".txt"): (self.bytes(), False) for _ in range(2)}
        self.common = {"F1": f1, "F2": {"メモ.txt": (self.bytes(), False)}, "F3": f3}
        for key in KEYS:
            self.write_item(key, self.common[key])
        self.write_item("F3", self.shared)
        self.copies = {}        # person -> {key: tree}: each person's copy
        self.stored = {}        # person -> {key: tree}: the copy last saved as theirs
        self.current = None     # whose copies are in place (None: nobody started yet)

    # ---- content ------------------------------------------------------
    def name(self, ext):
        self.counter += 1
        return self.rng.choice(["文書", "file", "メモ", "data"]) + f"{self.counter}{ext}"

    def bytes(self):
        size = self.rng.choice([0, 1, 100, 4096, 5000, 20000, self.rng.randrange(1, 70000)])
        return self.rng.randbytes(size)

    def set_time(self, path, fresh=None):
        # Most files carry a time from the past (archives, copies); some are
        # written just now, which the program copies only once 2 s passed.
        if fresh is None:
            fresh = self.rng.random() < 0.05
        if not fresh:
            t = time.time_ns() - self.rng.randrange(5, 10**6) * 10**9
            os.utime(path, ns=(t, t))

    def write_file(self, path, data, readonly):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if os.path.exists(path):
            os.chmod(path, 0o644)
        with open(path, "wb") as h:
            h.write(data)
        self.set_time(path)
        os.chmod(path, 0o444 if readonly else 0o644)

    def write_item(self, key, tree):
        for rel, v in sorted(tree.items()):
            p = os.path.join(self.roots[key], rel)
            if v is None:
                os.makedirs(p, exist_ok=True)
            else:
                self.write_file(p, *v)

    # ---- what a person does between two switches -----------------------
    def work(self):
        mine = self.copies[self.current]
        for _ in range(self.rng.randrange(0, 7)):
            key = self.rng.choice(KEYS)
            tree = mine[key]
            root = self.roots[key]
            files = sorted(k for k, v in tree.items() if v is not None)
            folders = [""] + sorted(k for k, v in tree.items() if v is None) if key == "F1" else [""]
            act = self.rng.choice(["edit", "edit", "same-size", "add", "delete", "rename", "readonly",
                                   "folder", "shared"])
            if key == "F2" and act in ("add", "delete", "rename", "folder"):
                act = "edit"  # the listed file stays (a missing one fails its item)
            if not files and act in ("edit", "same-size", "delete", "rename", "readonly"):
                act = "add"
            if len(files) > 40 and act == "add":
                act = "delete"
            f = self.rng.choice(files) if files else None
            p = os.path.join(root, f) if f else None
            if act == "edit":
                tree[f] = (self.bytes(), tree[f][1])
                self.write_file(p, *tree[f])
            elif act == "same-size":
                # Rewritten with its size and time put back: only the
                # change time tells.
                st = os.stat(p)
                data = bytearray(tree[f][0])
                if data:
                    i = self.rng.randrange(len(data))
                    data[i] ^= 0xFF
                tree[f] = (bytes(data), tree[f][1])
                os.chmod(p, 0o644)
                with open(p, "r+b") as h:
                    h.write(data)
                os.utime(p, ns=(st.st_atime_ns, st.st_mtime_ns))
                os.chmod(p, 0o444 if tree[f][1] else 0o644)
            elif act == "add":
                rel = self.rng.choice(folders) + self.name(".sav" if key == "F3" else ".txt")
                tree[rel] = (self.bytes(), self.rng.random() < 0.15)
                self.write_file(os.path.join(root, rel), *tree[rel])
            elif act == "delete":
                os.remove(p)
                del tree[f]
            elif act == "rename":
                if key == "F3":
                    # Into and out of the pattern's reach.
                    if self.rng.random() < 0.5 and self.shared:
                        s = self.rng.choice(sorted(self.shared))
                        new = self.name(".sav")
                        os.rename(os.path.join(root, s), os.path.join(root, new))
                        tree[new] = self.shared.pop(s)
                        continue
                    new = self.name(self.rng.choice([".sav", ".bak"]))
                    os.rename(p, os.path.join(root, new))
                    (tree if new.endswith(".sav") else self.shared)[new] = tree.pop(f)
                else:
                    new = self.rng.choice(folders) + self.name(".txt")
                    os.rename(p, os.path.join(root, new))
                    tree[new] = tree.pop(f)
            elif act == "readonly":
                tree[f] = (tree[f][0], not tree[f][1])
                os.chmod(p, 0o444 if tree[f][1] else 0o644)
            elif act == "folder" and key == "F1":
                sub = self.rng.choice(folders[1:] or [""])
                kind = self.rng.choice(["new", "delete", "rename"]) if sub else "new"
                if kind == "new":
                    new = sub + self.name("") + "/"
                    tree[new] = None
                    os.makedirs(os.path.join(root, new))
                    for _ in range(self.rng.randrange(0, 3)):
                        rel = new + self.name(".txt")
                        tree[rel] = (self.bytes(), False)
                        self.write_file(os.path.join(root, rel), *tree[rel])
                elif kind == "delete":
                    shutil.rmtree(os.path.join(root, sub))
                    for k in [k for k in tree if k.startswith(sub)]:
                        del tree[k]
                else:
                    parent = sub[:-1].rpartition("/")[0]
                    new = (parent + "/" if parent else "") + self.name("") + "/"
                    os.rename(os.path.join(root, sub), os.path.join(root, new))
                    for k in [k for k in tree if k.startswith(sub)]:
                        tree[new + k[len(sub):]] = tree.pop(k)
            elif act == "shared" and self.shared:
                s = self.rng.choice(sorted(self.shared))
                self.shared[s] = (self.bytes(), False)
                self.write_file(os.path.join(self.roots["F3"], s), *self.shared[s])

    # ---- one switch and its check ---------------------------------------
    def switch(self, to, timeout):
        t0 = time.time()
        try:
            # Wine quotes a double quote it is given (\"), so the command
            # line with the name in double quotes comes from a batch file.
            with open(os.path.join(self.prog, "switch.bat"), "wb") as h:
                h.write(f'@Tollervy.exe "{to}"\r\n@exit %errorlevel%\r\n'.encode("cp932"))
            r = subprocess.run([os.environ["WINE"], "cmd", "/c", "switch.bat"],
                               cwd=self.prog, stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
            rc = r.returncode
        except subprocess.TimeoutExpired:
            rc = "timeout (a message waits?)"
        # The model: the person in place had their copy saved; the next one
        # gets theirs, or the common copy the first time.
        if to != self.current:
            saved = self.current if self.current is not None else ALL
            self.stored[saved] = {k: dict(v) for k, v in self.copies.get(saved, self.common).items()}
            self.copies.setdefault(to, {k: dict(v) for k, v in self.common.items()})
            self.current = to
        return rc, time.time() - t0

    def item(self, key, root):
        if key == "F2":
            return read_tree(root, lambda n: n == "メモ.txt")
        if key == "F3":
            return read_tree(root, lambda n: n.endswith(".sav"))
        return read_tree(root)

    def check(self):
        out = []
        for key in KEYS:
            out += difference(f"in place {key}", self.copies[self.current][key], self.item(key, self.roots[key]))
        out += difference("outside the pattern", self.shared, read_tree(self.roots["F3"], lambda n: not n.endswith(".sav")))
        for person in PEOPLE + [ALL]:
            for key in KEYS:
                store = os.path.join(self.prog, "Data", person, key)
                if person not in self.stored:
                    if os.path.exists(store):
                        out.append(f"{person} {key}: a stored copy of someone never switched away from")
                    continue
                out += difference(f"{person}'s stored {key}", self.stored[person][key], read_tree(store))
        record = {}
        with open(os.path.join(self.prog, "Data", "InPlace.dat"), encoding="utf-8") as h:
            for line in h.read().splitlines():
                if "=" in line and not line.startswith(";"):
                    k, _, v = line.partition("=")
                    record[k] = v
        if record != {k: self.current for k in KEYS}:
            out.append(f"the in-place record says {record}, not {self.current} for every item")
        return out


def main():
    n, seed, base, exe = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
    print(f"soak: {n} switches, seed {seed} (tools/soak {n} {seed} repeats this run)", flush=True)
    s = Soak(base, exe, seed)
    t0, slowest, differences, done = time.time(), 0.0, 0, 0
    for i in range(1, n + 1):
        if s.current is not None:
            s.work()
        to = s.current if s.current and s.rng.random() < 0.05 else s.rng.choice([p for p in PEOPLE if p != s.current])
        before = s.current
        rc, took = s.switch(to, 300)
        slowest = max(slowest, took)
        done = i
        found = ([f"exit code {rc}"] if rc != 0 else []) + s.check()
        if found:
            differences += len(found)
            print(f"switch {i} ({before} -> {to}): {len(found)} differences", flush=True)
            for line in found[:20]:
                print("  " + line, flush=True)
            break  # the model no longer knows what is where
        if i % 50 == 0 or i == n:
            print(f"soak: {i} switches, 0 differences, {time.time() - t0:.0f} s", flush=True)
    print(f"soak: {done} switches, {differences} differences, seed {seed}, "
          f"{time.time() - t0:.0f} s (slowest switch {slowest:.1f} s)", flush=True)
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
