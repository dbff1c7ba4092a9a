# Answers each test case letter by letter: one string per distinct letter of
# s and one index per letter, accepted and scored worse than the jury.
import sys

lines = sys.stdin.read().split('\n')
print('000000')
print('Krobelnik')
for k in range(1, int(lines[1]) + 1):
    s = lines[3 * k + 1]
    letters = sorted(set(s))
    print(k, f'{len(letters)} {len(s)}', *letters, sep='\n')
    print(' '.join(str(letters.index(c) + 1) for c in s))
