; countdown.s -- six small loops, one for each conditional branch, and the two others.
;
; Each loop counts r1 down (subs) or up (adds) and branches back on one condition, so that every
; condition is seen both taken and not taken.  The first word after each branch runs on every pass and
; counts the passes in a register of its own: r2 bne, r3 bgt, r4 bge, r5 blt, r6 ble, r7 beq.  The
; flags a branch tests are those of the subs or adds right before it.
;
;   loop   r1 from   passes (the last one falls through)
;   bne    3         3: 2 1 0
;   bgt    2         2: 1 0
;   bge    2         3: 1 0 -1
;   blt    -2        2: -1 0
;   ble    -2        3: -1 0 1
;   beq    1         2: 0 -1

        add   r1, r0, 3       ; r1 = 3 (a 3-bit constant: -4..3)
        nop
        nop
ne:     subs  r1, r1, 1
        bne   ne              ; taken while r1 is not 0
        add   r2, r2, 1
        nop
        nop

        add   r1, r0, 2
        nop
        nop
gt:     subs  r1, r1, 1
        bgt   gt              ; taken while r1 > 0
        add   r3, r3, 1
        nop
        nop

        add   r1, r0, 2
        nop
        nop
ge:     subs  r1, r1, 1
        bge   ge              ; taken while r1 >= 0
        add   r4, r4, 1
        nop
        nop

        sub   r1, r0, 2       ; r1 = -2
        nop
        nop
lt:     adds  r1, r1, 1
        blt   lt              ; taken while r1 < 0
        add   r5, r5, 1
        nop
        nop

        sub   r1, r0, 2
        nop
        nop
le:     adds  r1, r1, 1
        ble   le              ; taken while r1 <= 0
        add   r6, r6, 1
        nop
        nop

        add   r1, r0, 1
        nop
        nop
eq:     subs  r1, r1, 1
        beq   eq              ; taken while r1 is 0
        add   r7, r7, 1
        nop
        nop

        bnv   0               ; never taken: a restart would count every loop twice
        nop
        nop
        nop
halt:   bra   halt            ; the end: a branch to itself, taken on every pass
        nop                   ; its three delay slots, run on every pass
        nop
        nop
